// Scrolls down by dy pixels spread over the frames of the next ms milliseconds. What an
// earlier glide still had to go is added on, and a timer moves whatever is
// left once the time is up, should the page get no frames (hidden, busy).
(function (dy, ms) {
    var g = window.__pagoraGlide || (window.__pagoraGlide = { left: 0, last: 0, end: 0, running: false });
    var now = performance.now();
    g.left += dy;
    if (!g.running) g.last = now;
    g.end = now + ms;
    function frame(t) {
        if (!g.running) return;
        var span = g.end - g.last;
        var share = span > 0 ? Math.min(1, (t - g.last) / span) : 1;
        var move = t >= g.end ? g.left : Math.floor(g.left * share);
        if (move > 0) {
            window.scrollBy(0, move);
            g.left -= move;
            g.last = t;
        }
        if (g.left > 0) requestAnimationFrame(frame);
        else g.running = false;
    }
    setTimeout(function () {
        if (g.left > 0 && performance.now() >= g.end) {
            window.scrollBy(0, g.left);
            g.left = 0;
            g.running = false;
        }
    }, ms + 150);
    if (!g.running) {
        g.running = true;
        requestAnimationFrame(frame);
    }
})(%1, %2)
