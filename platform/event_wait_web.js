// The loop's sleep in the browser (platform/event_wait_web.cpp): until the timer is due or one of
// the page's input events arrives. The listeners are put on once, at the first sleep; a wake-up
// waits a turn of the page's loop, so that SDL's own listener has queued the event before the loop
// looks for it, and runs as the page's callbacks into the program do, so that a program that
// ended in it ends the runtime.
mergeInto(LibraryManager.library, {
  $lorvexWaking: {wake: null, listening: false},
  lorvex_sleep_until_input__deps: ["$callUserCallback", "$lorvexWaking"],
  lorvex_sleep_until_input__sig: "vi",
  lorvex_sleep_until_input: function(milliseconds) {
    var waking = lorvexWaking;
    if (!waking.listening) {
      waking.listening = true;
      var soon = function() { if (waking.wake) setTimeout(waking.wake, 0); };
      ["keydown", "keyup", "mousedown", "mouseup", "mousemove", "touchstart", "touchmove", "touchend", "touchcancel",
       "blur", "focus", "resize", "gamepadconnected", "gamepaddisconnected", "visibilitychange"].forEach(
        function(kind) { window.addEventListener(kind, soon, true); });
    }
    return Asyncify.handleSleep(function(wakeUp) {
      var timer = 0;
      function finish() {
        if (waking.wake !== finish) return;
        waking.wake = null;
        clearTimeout(timer);
        callUserCallback(wakeUp);
      }
      waking.wake = finish;
      timer = setTimeout(finish, milliseconds);
    });
  },
});
