// How a job ended, shared by every workflow and every front end.
#pragma once

namespace valdrex {

// How a job ended, the worst step deciding; the numbers are the command's exit statuses.
enum class JobStatus {
  ok = 0,          // done, nothing for the teacher to act on
  attention = 1,   // done with warnings or messages to read, or refused because the result
                   // would be wrong (nothing written then)
  badRequest = 2,  // a sheet or a target that cannot be used; nothing written
  unreadable = 3,  // the workbook could not be read
  unwritable = 4,  // the result could not be written
  internal = 5,    // a fault of the program
};
inline JobStatus worse(JobStatus a, JobStatus b) { return a < b ? b : a; }

}  // namespace valdrex
