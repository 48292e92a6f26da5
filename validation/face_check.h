#pragma once
// Faces face the eye: the goblet, the teapot and the sky seen from inside,
// drawn with culling off and the program's depth test, front faces white and
// back faces red. No red pixel may show. With culling on, a wrong winding or
// a broken depth test could never show.

#include "validation/check_report.h"
#include "validation/picture.h"

struct FacesSeen {
    int front = 0;
    int back = 0;
    int neither = 0;  // background
};

// Counts the white and red pixels of a picture drawn as above.
FacesSeen facesSeen(const Picture& picture);

// Needs a current GL context.
CheckResult checkFaces();
