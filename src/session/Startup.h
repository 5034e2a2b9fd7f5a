// Program start: a full instance of the terminal, or a second start that
// hands its command line to the instance already running and ends.
#pragma once
#include "platform/core/Messages.h"
#include "session/core/CommandLine.h"

#include <string>
#include <vector>

// How long a second start waits for the running instance to take its
// request before it gives up (the file still holds the request then).
constexpr int kHandoverWaitMs = 10000;

// Writes KVpass, posts the request (only after the file is written, only
// with a host), brings the running window forward and waits until the
// request was read, so close hand-overs each keep their own file. Hand-
// overs of several second starts take turns through a lock beside KVpass.
// Returns the process exit code: 0, or 1 when the instance did not answer
// (after the error box).
int HandOver(const TArguments& args, win::HWND running, const std::string& tempFolder);

// Before anything starts: the usage for "--help" (exit 0), an error for an
// unknown option (exit 2), and a word when no graphical desktop can be had
// (exit 1). -1 when the program goes on.
int CheckStart(int argc, char** argv);

// The whole program: decides, then runs the full instance's message loop.
int RunTerminal(int argc, char** argv);
