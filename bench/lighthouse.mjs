// Chromium's own audit of the built site: Lighthouse with its default
// mobile settings, in Debian's Chromium, with the colour-contrast audit left
// out (the two captions designed below WCAG's contrast stand as designed;
// axe-core checks contrast everywhere else). Prints the four scores.
// Usage: node lighthouse.mjs SITE [--require CATEGORY...]: exits 1 when a
// named category scores below 100.
import lighthouse from "lighthouse";
import { launchChromium, serve } from "../tests/web/driver.mjs";

const [site, ...rest] = process.argv.slice(2);
const required = rest[0] === "--require" ? rest.slice(1) : [];
const server = await serve(site);
const chromium = await launchChromium({ args: ["--remote-debugging-port=0"] });
let failed = false;
try {
  const port = Number(new URL(chromium.wsEndpoint()).port);
  const result = await lighthouse(server.url, { port, output: "json", logLevel: "error" }, {
    extends: "lighthouse:default",
    settings: { onlyCategories: ["performance", "accessibility", "best-practices", "seo"], skipAudits: ["color-contrast"] },
  });
  const { categories, audits } = result.lhr;
  for (const [id, category] of Object.entries(categories)) {
    const score = Math.round(category.score * 100);
    console.log(`lighthouse-${id} ${score}`);
    if ((required.includes(id) || process.env.LIGHTHOUSE_DETAILS) && score < 100) {
      failed = true;
      for (const ref of category.auditRefs) {
        const audit = audits[ref.id];
        if (ref.weight > 0 && audit.score !== null && audit.score < 1) console.log(`  ${ref.id}: ${audit.title}`);
      }
    }
  }
} finally {
  await chromium.close();
  server.close();
}
process.exit(failed ? 1 : 0);
