(function(){
var b=document.body;if(!b||!document.caretRangeFromPoint)return '';
var ts=b.getElementsByTagName('table');if(!ts.length)return '';
var left=ts[0].getBoundingClientRect().left;
var r=document.caretRangeFromPoint(Math.max(0,left)+8,4);if(!r||r.startContainer.nodeType!=3)return '';
var t=r.startContainer.parentNode;while(t&&t.tagName!='TABLE')t=t.parentNode;if(!t)return '';
var index=Array.prototype.indexOf.call(ts,t);if(index<0)return '';
var w=document.createTreeWalker(t,NodeFilter.SHOW_TEXT),n,off=0;
while((n=w.nextNode())&&n!==r.startContainer)off+=n.length;
if(!n)return '';
return index+' '+(off+r.startOffset);
})()
