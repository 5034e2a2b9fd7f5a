// The toolkit's own texts (standard buttons, file, colour, font and print
// dialogs) in Traditional Chinese, as the programs' own texts are, whatever
// the user's locale.
#pragma once

namespace win {

// Installs the toolkit's Traditional Chinese translation into the running
// application (from the toolkit's translations folder). False when it is
// not installed or no application runs: the toolkit then speaks English.
bool LoadToolkitTranslation();

} // namespace win
