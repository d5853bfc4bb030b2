#pragma once

// Hand-written fonts: one that uses every font structure (outlines, components, character maps
// with runs, metrics, kerning, a ligature and a contextual sequence, alternates, anchors, a
// decomposition, a three-layer colour glyph and a paint tree, a colour and a transform directly in
// the Emoji), and a collection whose parent holds the glyphs and whose two members map them.

namespace oq::test {

inline constexpr const char kFontFixture[] = R"(// font fixture
Font (glyph_count = 16)
{
	Name {string {"Fixture Sans", "Regular"}}
	Message (kind = "copyright") {string {"none"}}
	Scale {float[2] {{1000, 1000}}}

	Metric (key = "ascent") {float {0.8}}
	Metric (key = "descent") {float {-0.2}}
	Metric (key = "sub_scale") {float[2] {{0.6, 0.7}}}
	Metric (key = "weight_class") {uint32 {400}}
	Metric (key = "light_palette") {uint32 {0}}

	CharMap (char = 0x0041) {uint16 {4}}
	CharMap (char = 0x0061) {uint16 {8}}
	CharMap (char = 0x0066) {uint16 {1, 0, 0, 2}}
	CharMap (char = 0x00C5) {uint32 {5}}
	CharMap (char = 0x0030, run = 2) {uint16 {13}}
	CharMap (char = 0x0001F600) {uint32 {9}}

	Glyph (index = 0)
	{
		Advance {float {0.5}}
		Rect {float[2] {{0.05, 0}, {0.4, 0.7}}}
	}

	Glyph (index = 1)
	{
		Advance {float {0.3}}
		Bearing {float {0.02}}
		Polygon {float[2] {{0.05, 0}, {0.15, 0}, {0.15, 0.7}, {0.3, 0.7}, {0.3, 0.75}, {0.05, 0.75}}}

		Sequence (feature = 'liga')
		{
			Match {uint32 {2}}
			Rule (kind = 'rall') {uint32 {3}}
		}
	}

	Glyph (index = 2)
	{
		Advance {float {0.2}}
		Rect {float[2] {{0.05, 0}, {0.1, 0.5}}}

		Sequence (feature = 'calt')
		{
			Match (kind = 'bkwd') {uint32 {1, 4}}
			Match (kind = 'frwd') {uint32 {8}}
			Rule (kind = 'sbst') {uint32[2] {{0, 3}}}
		}
	}

	Glyph (index = 3)
	{
		Advance {float {0.5}}
		Rect {float[2] {{0.05, 0}, {0.45, 0.75}}}
	}

	Glyph (index = 4)
	{
		Advance {float {0.6, 1}}
		Bearing {float {0.05, 0.1}}
		Polygon {float[2] {{0, 0}, {0.3, 0.7}, {0.6, 0}}}

		Anchor (base, index = 0) {float[2] {{0.3, 0.7}}}
		Anchor (index = 1) {float[2] {{0.3, 0}}}
	}

	Glyph (index = 5)
	{
		Advance {float {0.6}}
		Decompose {uint32 {4, 6}}

		Component
		{
			uint32 {4}
		}

		Component
		{
			uint32 {6}
			Translation {float[2] {{0.2, 0.75}}}
		}
	}

	Glyph (index = 6)
	{
		Advance {float {0.2}}

		Circle
		{
			Radius {float {0.1}}
			float[2] {{0.1, 0.1}}
		}

		Anchor (index = 0) {float[2] {{0.1, 0}}}
	}

	Glyph (index = 7)
	{
		Advance {float {0.45}}
		Rect {float[2] {{0.05, 0}, {0.35, 0.5}}}
	}

	Glyph (index = 8)
	{
		Advance {float {0.5}}
		Rect {float[2] {{0.05, 0}, {0.4, 0.5}}}

		Kern
		{
			uint32 {4, 1}
			float {-0.05, 0.02}
		}

		Kern (vertical)
		{
			uint32 {4}
			float {0.01}
		}
		Alternate (feature = 'smcp') {uint32 {7}}
		Alternate (feature = 'salt') {uint32 {7, 3}}
	}

	Glyph (index = 9)
	{
		Advance {float {1}}

		Emoji
		{
			Component
			{
				uint32 {10, 11}
				Color {float[3] {{1, 0, 0}, {0, 1, 0}}}
			}

			Component
			{
				uint32 {12}
				Color {uint8[4] {{0, 0, 255, 128}}}
				Translation {float[2] {{0.1, 0}}}
			}

			Paint (comp = 5)
			{
				Paint
				{
					uint32 {10}
					Color {float[4] {{1, 1, 0, 1}}}
				}

				Paint
				{
					uint32 {11}
					Scale {float[2] {{0.5, 0.5}}}
				}
			}

			Color {float[3] {{0, 0, 1}}}
			Translation {float[2] {{0, 0.1}}}
		}
	}

	Glyph (index = 10)
	{
		Rect {float[2] {{0, 0}, {0.9, 0.9}}}
	}

	Glyph (index = 11)
	{
		Circle
		{
			Radius {float {0.3}}
			float[2] {{0.45, 0.45}}
		}
	}

	Glyph (index = 12)
	{
		Rect {float[2] {{0.3, 0.3}, {0.6, 0.6}}}
	}

	Glyph (index = 13)
	{
		Advance {float {0.5}}
		Rect {float[2] {{0.05, 0}, {0.45, 0.7}}}
	}

	Glyph (index = 14)
	{
		Advance {float {0.6}}
		Rect {float[2] {{0.05, 0}, {0.55, 0.7}}}
	}

	Glyph (index = 15)
	{
		Advance {float {0.5}}
		Rect {float[2] {{0.05, 0}, {0.45, 0.7}}}
	}
}
)";

inline constexpr const char kCollectionFixture[] = R"(// collection fixture
Font (glyph_count = 3)
{
	Glyph (index = 0)
	{
		Advance {float {0.5}}
	}

	Glyph (index = 1)
	{
		Advance {float {0.6}}
		Polygon {float[2] {{0, 0}, {0.3, 0.7}, {0.6, 0}}}
	}

	Font
	{
		Name {string {"Fixture", "Regular"}}
		Metric (key = "ascent") {float {0.8}}

		CharMap (char = 0x0041) {uint16 {1, 2}}
	}

	Font
	{
		Name {string {"Fixture", "Bold"}}

		CharMap (char = 0x0041) {uint16 {2}}
	}

	Glyph (index = 2)
	{
		Advance {float {0.7}}
		Rect {float[2] {{0, 0}, {0.7, 0.7}}}
	}
}
)";

}  // namespace oq::test
