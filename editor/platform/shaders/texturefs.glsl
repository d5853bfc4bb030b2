#version 330 core
// Texture shader: the vertex colour times the texel (unit 0, the linear sampler).

uniform sampler2D colorTexture;

in vec4 vertexColor;
in vec2 vertexTexcoord;

layout(location = 0) out vec4 target;

void main()
{
	target = vertexColor * texture(colorTexture, vertexTexcoord);
}
