// SPDX-License-Identifier: GPL-3.0-or-later
// Stands first on the include path of the libraries without widgets (common, every library of agenda/core,
// calculator_core): every QtWidgets header includes this one, so a widget reaching such a library stops
// the build here. Widgets belong in the ui libraries.
#error "a library without widgets includes a QtWidgets header; move that code to a ui library"
