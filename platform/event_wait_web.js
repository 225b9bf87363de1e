// The loop's sleep in the browser (platform/event_wait_web.cpp): until the timer is due or one of
// the page's input events arrives. A wake-up waits a turn of the page's loop, so that SDL's own
// listener has queued the event before the loop looks for it; it runs as the page's callbacks
// into the program do, so that a program that ended in it ends the runtime.
mergeInto(LibraryManager.library, {
  lorvex_sleep_until_input__deps: ["$callUserCallback"],
  lorvex_sleep_until_input__sig: "vi",
  lorvex_sleep_until_input: function(milliseconds) {
    return Asyncify.handleSleep(function(wakeUp) {
      var kinds = ["keydown", "keyup", "mousedown", "mouseup", "mousemove", "touchstart", "touchmove", "touchend",
                   "touchcancel", "blur", "focus", "resize", "gamepadconnected", "gamepaddisconnected",
                   "visibilitychange"];
      var timer = 0;
      var done = false;
      function finish() {
        if (done) return;
        done = true;
        clearTimeout(timer);
        kinds.forEach(function(kind) { window.removeEventListener(kind, soon, true); });
        callUserCallback(wakeUp);
      }
      function soon() { setTimeout(finish, 0); }
      timer = setTimeout(finish, milliseconds);
      kinds.forEach(function(kind) { window.addEventListener(kind, soon, true); });
    });
  },
});
