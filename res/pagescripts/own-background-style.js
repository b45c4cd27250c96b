s=document.createElement('style');s.id='%1';s.textContent='html,body{background:rgb(%2,%3,%4) !important}';(document.head||document.documentElement).appendChild(s);
