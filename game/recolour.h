// Recolouring after a move: the edges' crossing states as last worked out are
// kept, so that when only a creature or two has moved since, only what their
// edges can change is looked at again. The colours and the answer are always
// those colour_edges would give.
#pragma once

// Recolours every edge and returns whether none crosses, exactly as
// colour_edges does. When the graph is the one last coloured and at most a
// few vertices have moved since, only their edges and the edges those crossed
// or now cross are examined; otherwise the whole graph is coloured afresh.
bool recolour_edges();
// Keeps the states colour_edges has just settled in the edge grid, with the
// graph and positions they belong to. Called by colour_edges.
void colours_keep();
// Writes every line's colour from the states kept.
void colours_show();
