#pragma once
// Why a shape was not built. Geometry only says so; the program words the
// report and decides what follows.

#include <cstdint>

struct BuildFailure {
    enum class Reason {
        TooManyCells,  // a revolved mesh beyond maxMeshCells
        NoMemory,      // its cells could not be allocated
        TeapotGrid,    // a teapot grid beyond what one draw can afford
    };
    Reason reason;
    std::int64_t count;  // the cells asked for, or the teapot's grid
    std::int64_t limit;  // the most allowed; 0 for NoMemory
};
