// ESLint's recommended rules over every script of the project: the page's
// (in the browser, as modules; the service worker as a worker's script),
// and the tools, tests and benchmarks that run under Node, whose functions
// for the page run in the browser too.
import js from "@eslint/js";
import globals from "globals";

export default [
  { ignores: ["build/", "node_modules/", "ci-check/"] },
  js.configs.recommended,
  { files: ["web/**/*.js", "bench/web-floor/*.js"], languageOptions: { sourceType: "module", globals: globals.browser } },
  { files: ["web/service-worker.js"], languageOptions: { sourceType: "script", globals: globals.serviceworker } },
  { files: ["**/*.mjs"], languageOptions: { globals: { ...globals.node, ...globals.browser } } },
];
