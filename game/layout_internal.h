// The layout generators by name, for their tests; the game reaches them
// through layout_generators.
#pragma once

// Point 0 at the right of the centre, running clockwise on screen.
void layout_circle(int n);
// One sine period across the screen starting at a crest.
void layout_wave(int n);
// The k corners first, then the rest spread along the sides.
void layout_polygon(int n, int k);
