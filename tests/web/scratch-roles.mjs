import { serve } from "./browser.mjs";
import { launch, engine } from "./driver.mjs";
const server = await serve("/work/main/build/web/site");
const browser = await launch();
const page = await browser.open(server.url);
await page.click("#StartButton");
for (const role of ["img", "image", "graphic", "figure"]) console.log(engine, role, await page.byRole(role, "Ａ"));
if (engine === "webkit") {
  const found = await page.session.call("POST", "/elements", { using: "css selector", value: "#Shape2, #Label3, #red" });
  for (const e of found) { const id = Object.values(e)[0]; console.log(await page.session.call("GET", `/element/${id}/computedrole`), JSON.stringify(await page.session.call("GET", `/element/${id}/computedlabel`))); }
}
await page.close(); await browser.close(); server.close();
