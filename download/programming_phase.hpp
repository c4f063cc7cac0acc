#pragma once
// The programming phase of the X.72-and-newer download, also entered by the program
// retry: the walk of the image with the scrambled per-byte exchange, the progress
// line, the operator's questions, and the finish.
//
//   programming_phase   from "Starting Download" to the return to the menu

#include "download/download_procedures.hpp"
#include "download/download_link.hpp"

namespace zizuvu {

void programming_phase(Session& session, Downloads& downloads, DownloadLink& link);

}  // namespace zizuvu
