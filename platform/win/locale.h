// What the user's locale says, where the program reads numbers typed by hand.
#pragma once

namespace ocural {

// The locale's decimal separator (one character), "." when it has none.
char LocaleDecimalSeparator();

}  // namespace ocural
