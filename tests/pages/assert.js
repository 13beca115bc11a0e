// Asserts for the page tests. A failed one throws; the error escapes, the
// page host prints it with its place and exits non-zero.
function show(value) {
  return typeof value === "string" ? JSON.stringify(value) : String(value);
}

function fail(message) {
  throw new Error(message);
}

function assertEqual(actual, expected, what) {
  if (actual !== expected)
    fail((what || "value") + ": expected " + show(expected) + ", got " + show(actual));
}

function assertTrue(condition, what) {
  if (!condition) fail(what || "assertion failed");
}

// Runs action, which must throw; gives back what it threw.
function assertThrows(action, what) {
  try {
    action();
  } catch (error) {
    return error;
  }
  fail((what || "the call") + " did not throw");
}

function assertList(actual, expected, what) {
  assertEqual(JSON.stringify(actual), JSON.stringify(expected), what);
}

// The embed element with the stand-in control created in it.
function hostedControl(id) {
  var element = document.getElementById(id);
  assertTrue(element !== null, "embed element " + id);
  element.CreateAX("ZumiPictavoEx.dll");
  fixture.clearJournal();
  return element;
}
