// Letter shapes for sequence logos, drawn as paths so that a letter's height on the page is
// exactly its share of the column, whatever fonts the browser has.
#pragma once

// SVG path data of a capital letter A-Z in the box 0..100 x 0..100; nullptr for other bytes.
const char *glyph_outline(char letter);
