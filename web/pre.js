// Runs inside the game's module before it starts: the saves' lasting storage
// and the few hooks the platform file calls into the page.

// The profile and the level files live in /saves, kept in the browser's
// IndexedDB; the game finds them in its working directory, as on the desktop.
// They are loaded before the game starts; without IndexedDB (a private
// window, a page opened from a file) the game still runs, its saves lasting
// only as long as the page.
Module.preRun = Module.preRun || [];
Module.preRun.push(function () {
  FS.mkdir('/saves');
  FS.mount(IDBFS, {}, '/saves');
  FS.chdir('/saves');
  addRunDependency('zf-saves');
  FS.syncfs(true, function (error) {
    if (error)
      console.warn('Zembrolfink: saved games could not be loaded:', error);
    removeRunDependency('zf-saves');
  });
});

// Copies /saves to IndexedDB after every save. One copy runs at a time; a
// save made while one runs is copied by another right after it, so the last
// one always lands. Module.zfSavesKept() answers a promise for that moment.
(function () {
  var running = false;
  var again = false;
  var waiting = [];
  function run() {
    running = true;
    again = false;
    FS.syncfs(false, function (error) {
      if (error)
        console.warn('Zembrolfink: a save could not be kept:', error);
      if (again) {
        run();
        return;
      }
      running = false;
      var done = waiting;
      waiting = [];
      done.forEach(function (resolve) { resolve(); });
    });
  }
  Module.zfSavesKeep = function () {
    if (running)
      again = true;
    else
      run();
  };
  Module.zfSavesKept = function () {
    if (!running)
      return Promise.resolve();
    return new Promise(function (resolve) { waiting.push(resolve); });
  };
})();

// The first presented frame's time since the page started loading.
Module.zfFramePresented = function () {
  Module.zfFirstFrameMs = performance.now();
  if (Module.onFirstFrame)
    Module.onFirstFrame(Module.zfFirstFrameMs);
  Module.zfFramePresented = null;
};

// The game has ended: keep what it saved, then let the page say goodbye.
Module.zfGameEnded = function () {
  Module.zfSavesKeep();
  Module.zfSavesKept().then(function () {
    if (Module.onGameEnded)
      Module.onGameEnded();
  });
};
