// The graph and analysis pages.
#include "app/tform1.h"

namespace kw {

void TForm1::DrawPage() {}

void TForm1::CopyGraphToForm() {}

void TForm1::HighlightBoatOnPage(int) {}

}  // namespace kw
