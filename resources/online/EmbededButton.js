// Injected by Fennix Pro into pages of its own browser only (application world: the page's
// scripts cannot see it). Counts the media elements so the application can ask for them.
(function () {
  'use strict';
  function count() {
    return document.querySelectorAll('video, audio, embed, object').length;
  }
  window.__fennixMediaCount = count;
})();
