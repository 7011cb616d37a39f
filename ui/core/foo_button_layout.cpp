#include "ui/core/foo_button_layout.h"

bool foo_kind_tracks_hot(int kind) {
  return kind == kFooPush || kind == kFooDropDown;
}

bool foo_kind_has_drop_down(int kind) {
  return kind == kFooDropDown;
}

bool foo_kind_moves_text_when_pressed(int kind) {
  return kind == kFooPush || kind == kFooDropDown;
}

UiRect foo_text_box(const UiRect& client, int kind, int text_style) {
  UiRect box = client;
  if (text_style != kFooTextCenter)
    box.left += kFooTextLeftMargin;
  if (foo_kind_has_drop_down(kind))
    box.right -= kFooDropDownMargin;
  if (box.right < box.left)
    box.right = box.left;
  return box;
}

UiRect foo_text_rect(const UiRect& client,
                     int kind,
                     int text_style,
                     UiSize measured,
                     bool pressed) {
  UiRect box = foo_text_box(client, kind, text_style);
  UiRect text = box;
  int height = measured.cy < box.height() ? measured.cy : box.height();
  text.top = box.top + (box.height() - height) / 2;
  text.bottom = text.top + height;
  if (text_style == kFooTextCenter && measured.cx < box.width()) {
    text.left = box.left + (box.width() - measured.cx) / 2;
    text.right = text.left + measured.cx;
  }
  if (pressed && foo_kind_moves_text_when_pressed(kind)) {
    ++text.left, ++text.right;
    ++text.top, ++text.bottom;
  }
  return text;
}

int foo_fit_width(int text_width, int kind, int text_style) {
  int width = text_width < 0 ? 0 : text_width;
  if (text_style != kFooTextCenter)
    width += kFooTextLeftMargin;
  if (foo_kind_has_drop_down(kind))
    width += kFooDropDownMargin;
  return width;
}

UiRect foo_image_rect(const UiRect& client, UiSize image, int text_style, bool pressed) {
  UiRect rect;
  rect.left = text_style != kFooNoText ? client.left + kFooTextLeftMargin
                                       : client.left + (client.width() - image.cx) / 2;
  rect.top = client.top + (client.height() - image.cy) / 2;
  if (pressed) {
    ++rect.left;
    ++rect.top;
  }
  rect.right = rect.left + image.cx;
  rect.bottom = rect.top + image.cy;
  return rect;
}

unsigned foo_disabled_pixel(unsigned rgb, unsigned key_rgb) {
  rgb &= 0xFFFFFF;
  if (rgb == (key_rgb & 0xFFFFFF))
    return rgb;
  unsigned r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  unsigned grey = (r * 30 + g * 59 + b * 11) / 100;
  grey = 128 + grey / 2;
  // A grey that happens to equal the key would vanish; nudge it.
  unsigned out = grey << 16 | grey << 8 | grey;
  return out == (key_rgb & 0xFFFFFF) ? out - 0x010101 : out;
}
