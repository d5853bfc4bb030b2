#version 330 core
// Colour shader: the vertex colour as it is.

in vec4 vertexColor;

layout(location = 0) out vec4 target;

void main()
{
	target = vertexColor;
}
