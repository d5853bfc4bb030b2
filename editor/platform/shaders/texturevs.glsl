#version 330 core
// Texture shader: position, linear RGBA colour and texture coordinate per vertex.

layout(location = 0) in vec2 position;
layout(location = 1) in vec4 color;
layout(location = 2) in vec2 texcoord;

// The draw constants: the matrix row by row, the target size, the object's colour (unused here).
layout(std140) uniform ParamStruct
{
	vec4 drawMatrix[4];
	vec2 viewport;
	vec2 reserved;
	vec4 objectColor;
};

out vec4 vertexColor;
out vec2 vertexTexcoord;

void main()
{
	vec4 p = vec4(position, 0.0, 1.0);
	gl_Position = vec4(dot(drawMatrix[0], p), dot(drawMatrix[1], p), dot(drawMatrix[2], p), dot(drawMatrix[3], p));
	vertexColor = color;
	vertexTexcoord = texcoord;
}
