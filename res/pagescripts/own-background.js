(function(){var s=document.getElementById('%1');if(s)s.remove();%2})()
