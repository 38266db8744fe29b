import { serve } from "./browser.mjs";
import { launch, engine } from "./driver.mjs";
const server = await serve("/work/main/build/web/site");
const browser = await launch();
const page = await browser.open(server.url);
console.log(engine, await page.evaluate(() => PerformanceObserver.supportedEntryTypes));
await page.close(); await browser.close(); server.close();
