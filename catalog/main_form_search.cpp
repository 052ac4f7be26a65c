// The catalogue window's technical searches: the wiring of the search fields and buttons.
#include "catalog/main_form.h"

void Tfrm_main::ConnectSearchHandlers()
{
    // the search helper fills this in
}
