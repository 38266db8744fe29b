// The page's first script, as small as it can be, so that it holds up the
// window's first paint as little as a script can: it keeps every click on
// the document, marks the page bound so that the buttons show (a click the
// moment ＳＴＡＲＴ shows is never lost), and once that paint is on the
// screen loads the binding (binding.js), which handles what was kept.
const kept = [];
const keep = (event) => kept.push(event);
document.addEventListener("click", keep);
document.documentElement.dataset.bound = "";

// Once the first paint is on the screen: what runs between the paint and
// its showing competes with the browser for the machine and holds it up. A
// browser that does not tell of its paints is given a second.
let loading = false;
function load() {
  if (loading) return;
  loading = true;
  import("./binding.js")
    .then(({ start }) => start(kept, keep))
    .catch((error) => {
      console.error(error);
      document.getElementById("Form1")?.remove();
      document.getElementById("cannot-run").hidden = false;
    });
}
if (PerformanceObserver.supportedEntryTypes?.includes("paint")) {
  new PerformanceObserver((list, observer) => {
    if (!list.getEntriesByName("first-contentful-paint").length) return;
    observer.disconnect();
    load();
  }).observe({ type: "paint", buffered: true });
}
setTimeout(load, 1000);
