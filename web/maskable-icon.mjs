// Writes the icon that an installed page shows in the platform's own shape
// (a circle, a rounded square): the program's icon with its card's colour to
// every edge and the motif scaled into the middle, inside the circle of 80 %
// of the width that every shape keeps.
// Usage: node maskable-icon.mjs ICON.svg OUTPUT.svg
import { readFile, writeFile } from "node:fs/promises";

const [source, output] = process.argv.slice(2);
const svg = await readFile(source, "utf8");
const root = svg.match(/<svg\b[^>]*>/)[0];
const body = svg.slice(svg.indexOf(root) + root.length, svg.lastIndexOf("</svg>"));
const [, , width, height] = root.match(/viewBox="([^"]+)"/)[1].split(/\s+/).map(Number);
// The first shape is the card the motif lies on: its colour fills the whole
// icon, and its border, which the platform's shape takes the place of, goes.
const card = body.match(/<rect\b[^>]*>/)[0];
const number = (name) => Number(card.match(new RegExp(`\\b${name}="([^"]+)"`))[1]);
const colour = card.match(/\bfill="([^"]+)"/)[1];
const box = ["x", "y", "width", "height"].map(number);
// The motif reaches near the card's corners: the card at two thirds of the
// width keeps them inside the safe circle.
const size = (2 / 3) * width;
const [x, y] = [(width - size) / 2, (height - size) / 2];
await writeFile(output, `<svg xmlns="http://www.w3.org/2000/svg" width="${width}" height="${height}" viewBox="0 0 ${width} ${height}">
<rect width="${width}" height="${height}" fill="${colour}"/>
<svg x="${x}" y="${y}" width="${size}" height="${size}" viewBox="${box.join(" ")}">${body.replace(card, "")}</svg>
</svg>
`);
