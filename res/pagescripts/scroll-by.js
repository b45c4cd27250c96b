window.scrollBy(%1,%2)
