window.scrollTo(%1,%2)
