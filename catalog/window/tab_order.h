// Keyboard and screen-reader access to the catalogue window. Tab starts at the search box,
// then follows the drill-down (makes, models, versions, batteries), then the chosen
// battery's photo and print buttons and the applications button, then the search rows
// left to right with each row's search button after its fields, the replacement finder's
// and the fit report's buttons, and last the back and exit buttons.
#pragma once

#include <QStringList>

class Tfrm_main;

// The object names in Tab order.
const QStringList &CatalogueTabOrder();

// Chains the window's controls in that order and gives the search box the first focus.
// Controls are found by object name; a name the window lacks raises an error naming it.
void ApplyTabOrder(Tfrm_main *form);

// Names for assistive tools. A control whose caption the skin picture paints is labelled
// by that caption (a label laid over it that draws nothing); the buttons and the photo
// are named for what they do or show (the search box's clear button too), the search
// buttons keeping their hint as description; the grids' columns are named in words; the
// applications bar is a toggle.
void ApplyAccessibleNames(Tfrm_main *form);
