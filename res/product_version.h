// The product's name, publisher and version: the one place that the program's version
// resource and the setup program both read, so that neither can disagree with the other.
// Plain #defines only: the resource compiler and the installer's script parse this file.
#pragma once

#define QEL_PRODUCT_NAME "Quorvantine for Msn"
#define QEL_PUBLISHER "Corvelle Software"
#define QEL_VERSION_MAJOR 1
#define QEL_VERSION_MINOR 2
#define QEL_VERSION_BUILD 0
#define QEL_VERSION_REVISION 3
#define QEL_VERSION_TEXT "1.2.0.3"
