// web_library.js -- the page's side of the web platform: the keyboard, waiting for a key, giving the browser its turn, full screen.
mergeInto(LibraryManager.library, {
  // ---- keyboard ------------------------------------------------------------
  // Keys are read from the document, so the page needs no click first. A key
  // goes to the console while the dialogue listens (as the bytes a terminal
  // would give), and otherwise to the window once it exists, whose main
  // loop takes them between frames as GLUT does.
  $webKeys: {
    listening: false,
    console: false,    // the dialogue takes keys
    bytes: [],         // what the dialogue has not read yet
    waiter: null,      // the dialogue's wake-up while it waits for a key
    window: false,     // the window takes keys
    events: [],        // the window's presses and releases not taken yet
    special: {F1: 1, F2: 2, F3: 3, F4: 4, F5: 5, F6: 6, F7: 7, F8: 8, F9: 9, F10: 10, F11: 11,
              F12: 12, ArrowLeft: 100, ArrowUp: 101, ArrowRight: 102, ArrowDown: 103,
              PageUp: 104, PageDown: 105, Home: 106, End: 107, Insert: 108},
    named: {Escape: 27, Enter: 13, Backspace: 8, Tab: 9, Delete: 127},
    arrowTail: {ArrowUp: 65, ArrowDown: 66, ArrowRight: 67, ArrowLeft: 68},
    // The character a key types as GLUT gives it, or -1.
    character: function(e) {
      if (e.key in webKeys.named) return webKeys.named[e.key];
      if (e.key.length != 1) return -1;
      var c = e.key.charCodeAt(0);
      if (c > 255) return -1;
      // Ctrl with a letter is a control character, as on a terminal.
      if (e.ctrlKey && /[a-zA-Z]/.test(e.key)) return c & 31;
      return c;
    },
    // The bytes a terminal in raw mode would give for the key.
    terminal: function(e) {
      if (e.key in webKeys.arrowTail) return [27, 91, webKeys.arrowTail[e.key]];
      var c = webKeys.character(e);
      if (c == 13) return [10];
      if (c == 8) return [127];
      return c < 0 || c == 127 ? [] : [c];
    },
    // The browser's own keys (reload, its tools, its shortcuts) stay the browser's.
    ownedByPage: function(e) {
      return !/^F([1-9]|10|12)$/.test(e.key) && !e.ctrlKey && !e.altKey && !e.metaKey;
    },
    handle: function(e, down) {
      var special = webKeys.special[e.key] || 0;
      var c = special ? -1 : webKeys.character(e);
      if (special == 0 && c < 0) return;
      if (webKeys.ownedByPage(e)) e.preventDefault();
      if (webFullScreenState.deferred && down) webFullScreenState.request();
      if (webKeys.console) {
        if (down) webKeys.bytes.push.apply(webKeys.bytes, webKeys.terminal(e));
      } else if (webKeys.window) {
        webKeys.events.push([down ? 1 : 0, c, special, e.repeat ? 1 : 0]);
      }
      if (webKeys.waiter && webKeys.bytes.length) {
        var wake = webKeys.waiter;
        webKeys.waiter = null;
        {{{ runtimeKeepalivePop() }}}
        callUserCallback(function() { wake(webKeys.bytes.shift()); });
      }
    },
    listen: function() {
      if (webKeys.listening) return;
      webKeys.listening = true;
      document.addEventListener('keydown', function(e) { webKeys.handle(e, true); });
      document.addEventListener('keyup', function(e) { webKeys.handle(e, false); });
    },
  },

  webConsoleListen__deps: ['$webKeys', '$webFullScreenState', '$callUserCallback',
                           '$runtimeKeepalivePop'],
  webConsoleListen: function(on) {
    webKeys.listen();
    webKeys.console = !!on;
    if (!on) webKeys.bytes = [];
  },

  // The next byte the dialogue's keys gave; waits for a key press.
  webConsoleNextByte__deps: ['$webKeys', '$runtimeKeepalivePush'],
  webConsoleNextByte: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      if (webKeys.bytes.length) {
        wakeUp(webKeys.bytes.shift());
        return;
      }
      {{{ runtimeKeepalivePush() }}}
      webKeys.waiter = wakeUp;
    });
  },

  // From now on every key the dialogue does not take goes to the window.
  webKeysToWindow__deps: ['$webKeys', '$webFullScreenState'],
  webKeysToWindow: function() {
    webKeys.listen();
    webKeys.window = true;
  },

  // The next key event for the window into the four ints at `event`
  // (down, character, special, repeat); 0 when there is none.
  webTakeKey__deps: ['$webKeys'],
  webTakeKey: function(event) {
    var next = webKeys.events.shift();
    if (!next) return 0;
    for (var i = 0; i < 4; i++) HEAP32[(event >> 2) + i] = next[i];
    return 1;
  },

  // ---- focus ---------------------------------------------------------------
  $webFocus: {lost: false, watching: false},
  webFocusWatch__deps: ['$webFocus'],
  webFocusWatch: function() {
    if (webFocus.watching) return;
    webFocus.watching = true;
    window.addEventListener('blur', function() { webFocus.lost = true; });
  },
  webFocusLostSinceLastCall__deps: ['$webFocus'],
  webFocusLostSinceLastCall: function() {
    var lost = webFocus.lost;
    webFocus.lost = false;
    return lost ? 1 : 0;
  },

  // ---- the browser's turn --------------------------------------------------
  // A message comes back at once, where a zero timeout is held to 4 ms
  // after a few in a row: the frames come as fast as they are drawn.
  $webTurn: {channel: null, wake: null},
  webGiveTurn__deps: ['$webTurn', '$callUserCallback', '$runtimeKeepalivePush', '$runtimeKeepalivePop'],
  webGiveTurn: function() {
    return Asyncify.handleSleep(function(wakeUp) {
      if (!webTurn.channel) {
        webTurn.channel = new MessageChannel();
        webTurn.channel.port1.onmessage = function() {
          var wake = webTurn.wake;
          webTurn.wake = null;
          {{{ runtimeKeepalivePop() }}}
          callUserCallback(wake);
        };
      }
      {{{ runtimeKeepalivePush() }}}
      webTurn.wake = wakeUp;
      webTurn.channel.port2.postMessage(0);
    });
  },

  // ---- files ---------------------------------------------------------------
  // The page's files live in memory: a flush to a disk has nothing to wait
  // for, and Emscripten's own would wait as a sleep, which the way out
  // (where a recording is finished) may no longer do.
  fd_sync: function(fd) {
    return 0;
  },

  // ---- the canvas ----------------------------------------------------------
  $webFullScreenState: {
    deferred: false,  // asked for before any key: tried again on the next key press
    windowWidth: 400,
    windowHeight: 400,
    canvas: function() { return document.getElementById('canvas'); },
    request: function() {
      var canvas = webFullScreenState.canvas();
      webFullScreenState.deferred = false;
      if (!canvas.requestFullscreen) return;
      // Long after a key press the browser refuses: the next key press asks
      // again. In full screen the browser would take Escape for itself, and
      // it ends the game: the page asks to keep it (holding it still leaves).
      canvas.requestFullscreen().then(function() {
        if (navigator.keyboard && navigator.keyboard.lock)
          navigator.keyboard.lock(['Escape']).catch(function() {});
      }, function() { webFullScreenState.deferred = true; });
    },
    onChange: function() {
      var canvas = webFullScreenState.canvas();
      if (document.fullscreenElement === canvas) {
        canvas.width = screen.width;
        canvas.height = screen.height;
      } else {
        canvas.width = webFullScreenState.windowWidth;
        canvas.height = webFullScreenState.windowHeight;
      }
    },
  },

  webCanvasOpen__deps: ['$webFullScreenState'],
  webCanvasOpen: function(title, width, height) {
    var canvas = webFullScreenState.canvas();
    document.title = UTF8ToString(title);
    webFullScreenState.windowWidth = canvas.width = width;
    webFullScreenState.windowHeight = canvas.height = height;
    document.addEventListener('fullscreenchange', webFullScreenState.onChange);
  },
  webCanvasWidth: function() { return document.getElementById('canvas').width; },
  webCanvasHeight: function() { return document.getElementById('canvas').height; },

  webFullScreen__deps: ['$webFullScreenState'],
  webFullScreen: function(on) {
    var canvas = webFullScreenState.canvas();
    var now = document.fullscreenElement === canvas;
    if (on == -1) on = !now;
    if (on && !now) webFullScreenState.request();
    if (!on && now && document.exitFullscreen) document.exitFullscreen().catch(function() {});
    if (!on) webFullScreenState.deferred = false;
  },
});
