(function(){var c=function(){location.href='%1';};try{Object.defineProperty(window,'close',{value:c,configurable:true});}catch(e){window.close=c;}})();
