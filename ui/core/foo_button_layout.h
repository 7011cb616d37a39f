// Where a FooButton puts its image and its text, from the client rectangle, the kind, the
// text style and the state: the decisions of the drawing, apart from the drawing.
#pragma once

#include "ui/core/ui_rect.h"

enum FooButtonKind {
  kFooFlat = 0,       // pictures and labels: no frame, no hot tracking
  kFooPush = 2,       // push button with hot tracking
  kFooDropDown = 4,   // hot-tracking push button with a drop-down mark
  kFooHyperlink = 11  // blue text, hand cursor, no frame
};

enum FooTextStyle { kFooNoText = 0, kFooTextLeft = 1, kFooTextCenter = 2, kFooTextWrap = 3 };

// Pixels between the left edge and the text (or the image) unless centred.
inline constexpr int kFooTextLeftMargin = 5;
// The drop-down mark's column, taken from the text area's right end.
inline constexpr int kFooDropDownMargin = 6;

bool foo_kind_tracks_hot(int kind);
bool foo_kind_has_drop_down(int kind);
// A pressed push button moves image and text one pixel down and right; pictures and
// hyperlinks keep their text still.
bool foo_kind_moves_text_when_pressed(int kind);

// The rectangle the text is laid out in, before vertical centring.
UiRect foo_text_box(const UiRect& client, int kind, int text_style);
// The text's rectangle: the measured height centred vertically in the text box (and the
// measured width centred for style 2), moved by the pressed offset where it applies.
UiRect foo_text_rect(const UiRect& client, int kind, int text_style, UiSize measured, bool pressed);
// The narrowest client width whose text box holds a text that wide, so that it is never
// ended with an ellipsis.
int foo_fit_width(int text_width, int kind, int text_style);
// Where an image of that size goes: centred, or at left + 5 (centred vertically) when the
// button also has text; one pixel down and right while pressed.
UiRect foo_image_rect(const UiRect& client, UiSize image, int text_style, bool pressed);

// A pixel (0x00RRGGBB) of a disabled button's image: its brightness, faded towards white.
// The key colour stays as it is so that it is still drawn transparent.
unsigned foo_disabled_pixel(unsigned rgb, unsigned key_rgb);
