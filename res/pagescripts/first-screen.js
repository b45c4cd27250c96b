(function(){var t=document.querySelector('td');return !!(t&&t.innerText.length>0);})()
