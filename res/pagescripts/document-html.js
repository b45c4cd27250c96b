(function(){var a=document.all,r=[];for(var i=0;i<a.length;i++){r.push(a[i].outerHTML+'\r\n');if(a[i].tagName.toUpperCase()=='HTML')break;}return r.join('');})()
