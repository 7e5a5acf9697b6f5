// The converters' catch-all guards: a step that fails is skipped, as every
// field of a converted item is. Two things pass through a guard: the
// unwinding of a terminated worker, which a catch-all would otherwise hold
// up until the next platform call, and the converter's own leaving of the
// run (LeaveConverter).
#pragma once

#include "win32/Thread.h"

// Thrown inside a converter when it must return at once: after a stop whose
// completion dialog came back, or when the free-space question ends the run.
struct LeaveConverter {};

// Runs the step; false when it failed.
template <class Step>
bool RunGuarded(Step&& step)
{
    try {
        step();
        return true;
    } catch (const win32::ThreadTermination&) {
        throw;
    } catch (const LeaveConverter&) {
        throw;
    } catch (...) {
        return false;
    }
}
