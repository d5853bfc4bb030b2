#pragma once

// A drawing that uses every drawing structure: canvas, layers, groups, instances with
// references, every transform kind, float and uint8 colours, every gradient kind with Stops and
// Angles, fills, dashed strokes, every geometry kind and every Path command. Its data lists stand
// where the writer puts them. Not covered by round trips: structure names, comments, unknown
// identifiers and unknown properties (the writer drops them).

namespace oq::test {

inline constexpr const char kDrawingFixture[] = R"(// drawing fixture
Canvas
{
	Range {float[2] {{0, 200}, {0, 100}}}
}

Layer
{
	Group
	{
		Translation {float[2] {{10, 0}}}
		Scale {float[2] {{2, 2}}}
		Fill (rule = "evenodd") {Color {float[4] {{1, 0.5, 0, 0.75}}}}
		Opacity {float {0.5}}
		Path
		{
			Fill
			{
				Gradient (kind = "radial", object)
				{
					float[2] {{0.5, 0.5}}
					Radius {float {0.5}}
					Color {uint8[3] {{255, 128, 0}, {0, 0, 255}}}
					Stop (ext = "repeat") {float {0, 1}}
				}
			}
			Stroke (cap = "round", join = "round", miter = 2)
			{
				float {3}
				Color {float[3] {{0, 0, 1}}}
				Dash
				{
					Offset {float {1.5}}
					float[2] {{4, 2}, {1, 2}}
				}
			}
			Rotation {float {30}}
			float[2]* {M{0, 0}, L{10, 0}, H{20, 10}, V{30, 20}, Q{35, 25}, {40, 20}, T{50, 20},
				C{55, 30}, {60, 30}, {65, 20}, S{75, 10}, {80, 20}}
			float[2]* {Z{0, 50}, L{10, 50}, {10, 60}, Q{5, 70}, {0, 60}}
		}
		Group
		{
			Rotation (kind = "axis") {float[4] {{90, 0, 0, 2}}}
			Translation (kind = "x") {float {1}}
			Translation (kind = "y") {float {2}}
			Translation (kind = "z") {float {3}}
			Translation (kind = "xyz") {float[3] {{1, 2, 3}}}
			Line
			{
				Stroke {}
				Scale (kind = "x") {float {2}}
				float[2] {{0, 0}, {10, 0}, {10, 10}}
			}
		}
		Instance
		{
			Transform {float[6] {{1, 0, 0, 1, 5, 5}}}
			ref {$shape%part, %local, null}
		}
	}
	Rect
	{
		Radius {float[2] {{2, 3}}}
		float[2] {{0, 0}, {20, 10}}
	}
	Circle
	{
		Fill
		{
			Gradient
			{
				float[3] {{0.1, 0.0, 0.0}}
				Color {float[3] {{1.0, 1.0, 1.0}, {0.0, 0.0, 0.0}}}
			}
		}
		Radius {float {5}}
		float[2] {{50, 50}}
	}
	Polygon
	{
		Fill
		{
			Gradient (kind = "sweep")
			{
				float[2] {{1, 2}}
				Angle {float[2] {{0, 90}}}
				Color (palette = 3) {float[4] {{0.2, 0.4, 0.6, 0.8}}}
				Stop {float {0.25, 0.75}}
			}
		}
		Transform {float[4] {{0, 1, -1, 0}}}
		float[2] {{0, 0}, {0, 0}, {10, 0}, {10, 10}}
	}
}

Object
{
	Instance
	{
		Scale (kind = "y") {float {3}}
		Scale (kind = "z") {float {4}}
		Scale (kind = "xyz") {float[3] {{1, 2, 3}}}
		ref[2] {{$a, $b}, {null, %c%d}}
	}
	Circle
	{
		Fill {Gradient (kind = "radial") {float[2] {{0, 0}, {1, 1}} Radius {float[2] {{3, 4}, {5, 6}}} Color {float[3] {{1, 0, 0}}}}}
		Radius {float {1, 2}}
		float[2] {{0, 0}}
	}
	Line
	{
		Rotation (kind = "x") {float {45}}
		Rotation (kind = "y") {float {-45}}
		Transform {float[9] {{1, 0, 0, 0, 1, 0, 0, 0, 1}}}
		Transform {float[12] {{1, 0, 0, 0, 1, 0, 0, 0, 1, 7, 8, 9}}}
		Transform {float[16] {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}}
		float[2] {{0, 0}, {10, 0}, {0, 0}}
	}
}

Path
{
	Fill {}
	Stroke (join = "miter") {Dash {float[2] {{1, 1}}}}
	float[2]* {Z{0, 0}, L{1, 0}, {1, 1}}
}
)";

}  // namespace oq::test
