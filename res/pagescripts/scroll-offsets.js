(function(){var e=document.scrollingElement||document.documentElement||document.body;return e?Math.round(e.scrollLeft)+','+Math.round(e.scrollTop):'0,0';})()
