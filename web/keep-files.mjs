// Writes the service worker of a built site: the site's files with their
// SHA-256, and a version made from them all, so that any change to any file
// makes a new version. Usage: node keep-files.mjs SERVICE_WORKER_SOURCE SITE_DIRECTORY
import { createHash } from "node:crypto";
import { readdir, readFile, writeFile } from "node:fs/promises";
import { join, relative } from "node:path";

const [source, site] = process.argv.slice(2);
const output = "sw.js";
// The page never loads these: the worker itself, and the font's licence.
const unkept = new Set([output, "fonts/LICENSE"]);

async function walk(folder) {
  const entries = await readdir(folder, { withFileTypes: true });
  const nested = await Promise.all(
    entries.map((entry) => (entry.isDirectory() ? walk(join(folder, entry.name)) : [join(folder, entry.name)])),
  );
  return nested.flat();
}

const files = {};
for (const file of (await walk(site)).sort()) {
  const path = relative(site, file);
  if (!unkept.has(path)) files[path] = createHash("sha256").update(await readFile(file)).digest("hex");
}
const version = `tintora-${createHash("sha256").update(JSON.stringify(files)).digest("hex").slice(0, 16)}`;
const worker = (await readFile(source, "utf8"))
  .replace("@VERSION@", version)
  .replace('{ "@FILES@": "" }', JSON.stringify(files, null, 2));
await writeFile(join(site, output), worker);
