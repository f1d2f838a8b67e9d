'use strict';

/* Debounce: call fn once the calls
   have stopped for ms milliseconds. */
function debounce(fn, ms) {
  let timer = null;
  // Restart the wait on every call.
  return (...args) => {
    clearTimeout(timer);
    timer = setTimeout(() => fn(...args), ms);
  };
}

module.exports = { debounce };
