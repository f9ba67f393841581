// Level generation: the solvable graph of a fresh level, and scattering its
// vertices onto a layout shape.
#pragma once

// Builds vertices 0..n-1 on the circle with a ring and non-crossing chords (none in baby brains).
void build_graph(int n);
// Throws the vertices onto random points of the shape until the drawing has a crossing.
void scatter_on_layout(int n, int shape);
