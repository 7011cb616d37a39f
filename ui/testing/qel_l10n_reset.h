// Lets tests look texts up in a language of their choice.
#pragma once

// Forgets the cached texts and looks up in `language` (a LANGID) from now on.
void qel_l10n_reset_for_testing(unsigned short language);
