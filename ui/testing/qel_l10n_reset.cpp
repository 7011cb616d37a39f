#include "ui/testing/qel_l10n_reset.h"

#include "ui/qel_l10n_cache.h"

void qel_l10n_reset_for_testing(unsigned short language) {
  L10nCache& c = qel_l10n_cache();
  c.texts.clear();
  c.language = language;
  c.language_known = true;
}
