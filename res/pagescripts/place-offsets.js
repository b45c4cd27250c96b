
(function(x,y,loaded){
loaded=loaded&&document.readyState=='complete';
return location.href+'\n'+((function(){
var e=document.scrollingElement||document.documentElement,b=document.body;
if(!e||!b)return false;
var ts=b.getElementsByTagName('table');
if(ts.length&&getComputedStyle(ts[0]).contentVisibility=='auto'){
 if(window.__pagoraTrust===undefined){
  var t0=ts[0],hint=t0.style.containIntrinsicSize;window.__pagoraTrust=false;
  if(hint){t0.style.contentVisibility='visible';var real=t0.getBoundingClientRect().height;
   t0.style.contentVisibility='';window.__pagoraTrust=Math.abs(real-parseFloat(hint.split(' ').pop()))<0.5;}
  window.__pagoraNext=0;
 }
 var trust=window.__pagoraTrust,start=performance.now();
 for(;;){
  var batch=[],i=window.__pagoraNext,end=ts.length-(document.readyState=='loading'?1:0);
  for(;i<end&&batch.length<25;i++){
   var t=ts[i];
   if(t.offsetTop>y)break;
   if(!t.__pagoraKnown&&!(trust&&t.style.containIntrinsicSize))batch.push(t);
   else if(!batch.length)window.__pagoraNext=i+1;
  }
  if(!batch.length)break;
  batch.forEach(function(t){t.style.contentVisibility='visible';});
  var hs=batch.map(function(t){return t.getBoundingClientRect().height;});
  batch.forEach(function(t,k){t.style.containIntrinsicSize='auto '+hs[k]+'px';t.style.contentVisibility='';t.__pagoraKnown=1;});
  if(performance.now()-start>120)return false;
 }
}
if(!loaded&&(e.scrollHeight-e.clientHeight<y||(x>0&&e.scrollWidth-e.clientWidth<x)))return false;
try{history.scrollRestoration='manual';}catch(err){}
window.scrollTo(x,y);
return loaded||(Math.round(e.scrollLeft)==x&&Math.round(e.scrollTop)==y);
})()?'1':'0');
})(%1,%2,%3)
