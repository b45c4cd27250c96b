(function(ti,off,loaded){
loaded=loaded&&document.readyState=='complete';
var answer=function(y){return location.href+'\n'+y;};
var b=document.body;if(!b)return answer(-1);
var ts=b.getElementsByTagName('table'),end=ts.length-(document.readyState=='loading'?1:0);
if(ti>=end)return answer(loaded?-2:-1);
var lazy=getComputedStyle(ts[0]).contentVisibility=='auto',start=performance.now();
var measure=function(t){if(t.__pagoraKnown)return;t.style.contentVisibility='visible';var h=t.getBoundingClientRect().height;t.style.containIntrinsicSize='auto '+h+'px';t.style.contentVisibility='';t.__pagoraKnown=1;};
if(lazy){for(var i=0;i<ti;i++){measure(ts[i]);if(performance.now()-start>120)return answer(-1);}}
var t=ts[ti];if(lazy)t.style.contentVisibility='visible';
var w=document.createTreeWalker(t,NodeFilter.SHOW_TEXT),n,left=off,y=-2;
while((n=w.nextNode())){if(left<n.length)break;left-=n.length;}
if(n){var rg=document.createRange();rg.setStart(n,left);rg.setEnd(n,left+1);
 var rc=rg.getClientRects()[0]||rg.getBoundingClientRect();
 if(rc.height>0){var lh=parseFloat(getComputedStyle(n.parentNode).lineHeight);var lead=isNaN(lh)?0:Math.max(0,(lh-rc.height)/2);
 y=Math.max(0,Math.round(rc.top+window.scrollY-lead));}}
if(lazy){var h=t.getBoundingClientRect().height;t.style.containIntrinsicSize='auto '+h+'px';t.style.contentVisibility='';t.__pagoraKnown=1;}
return answer(y);
})(%1,%2,%3)
