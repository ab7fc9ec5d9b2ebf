// angle_fold.h - folding angles in degrees into one turn in constant time.
//
// Each fold gives exactly what its loop of whole turns ("while (a > 360)
// a -= 360" and the like) gives: below 2^56 every step of such a loop is
// exact, so the loop ends on the exact remainder of the angle by 360, which
// fmod computes exactly in one step; where the loop's last step rounds
// (adding 360 to a tiny negative remainder) the fold takes that same step.
// Beyond 2^56 the loops would run for hours or for ever (an infinity never
// shrinks), and the folds still answer at once: within the turn for a finite
// angle, NaN for an infinity or NaN.
#pragma once

#include <cmath>

// while (a > 360) a -= 360: a whole number of turns above 360 gives 360.
inline double FoldDownTo360(double a) {
    if (a > 720.0) {
        double r = std::fmod(a, 360.0);
        a = r != 0.0 ? r : 360.0;
    }
    while (a > 360.0) a -= 360.0;
    return a;
}

// while (a >= 360) a -= 360: the result is below 360.
inline double FoldDownBelow360(double a) {
    if (a >= 720.0) a = std::fmod(a, 360.0);
    while (a >= 360.0) a -= 360.0;
    return a;
}

// while (a < 0) a += 360. The loop's last step from exactly -360 gives +0;
// fmod leaves -0 there, and adding 0.0 makes it +0 as well.
inline double FoldUpFromNegative(double a) {
    if (a < -360.0) a = std::fmod(a, 360.0) + 0.0;
    while (a < 0.0) a += 360.0;
    return a;
}
