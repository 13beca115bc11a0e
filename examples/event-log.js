// Shared by the example pages: prints every event as one line,
//   event NAME(arg, arg, ...)
// with strings in quotes and numbers as they are.

function describe(value) {
  return typeof value === "string" ? '"' + value + '"' : String(value);
}

// Prints event `name` with the arguments its listener received.
function printEvent(name, args) {
  var parts = [];
  for (var i = 0; i < args.length; i++) parts.push(describe(args[i]));
  console.log("event " + name + "(" + parts.join(", ") + ")");
}

// A listener that only prints its event.
function printer(name) {
  return function () { printEvent(name, arguments); };
}
