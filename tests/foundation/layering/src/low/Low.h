#pragma once
// A module at the bottom of the graph.
inline int Low() { return 1; }
