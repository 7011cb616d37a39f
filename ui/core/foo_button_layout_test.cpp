#include "ui/core/foo_button_layout.h"

#include <gtest/gtest.h>

namespace {

constexpr UiRect kClient = {0, 0, 100, 30};

TEST(FooButtonLayout, TextBoxPerKindAndStyle) {
  EXPECT_EQ(foo_text_box(kClient, kFooPush, kFooTextLeft), (UiRect{5, 0, 100, 30}));
  EXPECT_EQ(foo_text_box(kClient, kFooPush, kFooTextCenter), (UiRect{0, 0, 100, 30}));
  // The drop-down mark takes 6 pixels on the right, whatever the alignment.
  EXPECT_EQ(foo_text_box(kClient, kFooDropDown, kFooTextLeft), (UiRect{5, 0, 94, 30}));
  EXPECT_EQ(foo_text_box(kClient, kFooDropDown, kFooTextCenter), (UiRect{0, 0, 94, 30}));
  EXPECT_EQ(foo_text_box(kClient, kFooHyperlink, kFooTextWrap), (UiRect{5, 0, 100, 30}));
  // Narrower than its margins: an empty box, never an inverted one.
  EXPECT_EQ(foo_text_box(UiRect{0, 0, 8, 10}, kFooDropDown, kFooTextLeft), (UiRect{5, 0, 5, 10}));
}

TEST(FooButtonLayout, TextIsCentredAndMovesOnlyForPushKinds) {
  UiSize text = {40, 10};
  EXPECT_EQ(foo_text_rect(kClient, kFooPush, kFooTextLeft, text, false), (UiRect{5, 10, 100, 20}));
  EXPECT_EQ(foo_text_rect(kClient, kFooPush, kFooTextCenter, text, false),
            (UiRect{30, 10, 70, 20}));
  EXPECT_EQ(foo_text_rect(kClient, kFooPush, kFooTextCenter, text, true), (UiRect{31, 11, 71, 21}));
  EXPECT_EQ(foo_text_rect(kClient, kFooDropDown, kFooTextLeft, text, true),
            (UiRect{6, 11, 95, 21}));
  for (int kind : {kFooFlat, kFooHyperlink})
    EXPECT_EQ(foo_text_rect(kClient, kind, kFooTextLeft, text, true), (UiRect{5, 10, 100, 20}))
        << kind;
  // Text taller or wider than the box stays inside it.
  EXPECT_EQ(foo_text_rect(kClient, kFooPush, kFooTextCenter, UiSize{300, 90}, false), kClient);
}

TEST(FooButtonLayout, ImageCentredOrBesideTheText) {
  UiRect face = foo_image_rect(UiRect{0, 0, 60, 50}, UiSize{48, 48}, kFooNoText, false);
  EXPECT_EQ(face, (UiRect{6, 1, 54, 49}));
  EXPECT_EQ(foo_image_rect(UiRect{0, 0, 60, 50}, UiSize{48, 48}, kFooNoText, true),
            (UiRect{7, 2, 55, 50}));
  EXPECT_EQ(foo_image_rect(UiRect{0, 0, 20, 20}, UiSize{12, 12}, kFooTextLeft, false),
            (UiRect{5, 4, 17, 16}));
}

TEST(FooButtonLayout, FitWidthGivesATextBoxExactlyThatWide) {
  for (int kind : {kFooFlat, kFooPush, kFooDropDown, kFooHyperlink}) {
    for (int style : {kFooTextLeft, kFooTextCenter, kFooTextWrap}) {
      for (int text : {0, 1, 37}) {
        UiRect client = {10, 0, 10 + foo_fit_width(text, kind, style), 16};
        EXPECT_EQ(foo_text_box(client, kind, style).width(), text)
            << "kind " << kind << " style " << style << " text " << text;
      }
    }
  }
  EXPECT_EQ(foo_fit_width(-3, kFooFlat, kFooTextCenter), 0);
}

TEST(FooButtonLayout, KindTraits) {
  EXPECT_FALSE(foo_kind_tracks_hot(kFooFlat));
  EXPECT_TRUE(foo_kind_tracks_hot(kFooPush));
  EXPECT_TRUE(foo_kind_tracks_hot(kFooDropDown));
  EXPECT_FALSE(foo_kind_tracks_hot(kFooHyperlink));
  EXPECT_TRUE(foo_kind_has_drop_down(kFooDropDown));
  EXPECT_FALSE(foo_kind_has_drop_down(kFooPush));
}

}  // namespace

namespace {

TEST(FooButtonLayout, DisabledPixelsAreGreyAndKeepTheKey) {
  constexpr unsigned kMagenta = 0xFF00FF;
  EXPECT_EQ(foo_disabled_pixel(kMagenta, kMagenta), kMagenta);
  unsigned red = foo_disabled_pixel(0xFF0000, kMagenta);
  EXPECT_EQ(red >> 16 & 0xFF, red & 0xFF) << "grey: equal channels";
  EXPECT_EQ(red >> 8 & 0xFF, red & 0xFF);
  EXPECT_GE(red & 0xFF, 128u) << "faded";
  EXPECT_EQ(foo_disabled_pixel(0x000000, kMagenta), 0x808080u);
  EXPECT_EQ(foo_disabled_pixel(0xFFFFFF, kMagenta), 0xFFFFFFu);
  // Never turns into the key colour by accident.
  EXPECT_NE(foo_disabled_pixel(0x000000, 0x808080), 0x808080u);
}

}  // namespace
