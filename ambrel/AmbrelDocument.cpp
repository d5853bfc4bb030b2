// The Ambrel document record, its canvas view and its writer.
#include "ambrel/AmbrelDocument.h"

namespace oq {

AmbrelDocument::~AmbrelDocument()
{
    fontList.RemoveAll();
}

float AmbrelDocument::SetCanvasRange(float xMinimum, float xMaximum, float yMinimum, float yMaximum)
{
    float width = xMaximum - xMinimum;
    float height = yMaximum - yMinimum;
    float size = (width > height) ? width : height;
    canvasView.xMinimum = xMinimum;
    canvasView.xMaximum = xMaximum;
    canvasView.yMinimum = yMinimum;
    canvasView.yMaximum = yMaximum;
    canvasView.originX = (xMinimum + xMaximum - size) * 0.5f;
    canvasView.originY = (yMinimum + yMaximum - size) * 0.5f;
    canvasView.scale = 1.0f / size;
    return canvasView.scale;
}

void AmbrelDocument::Write(TextOutputStream *stream)
{
    stream->WriteText("// Ambrel -- vector graphics and font exchange text\n\n");
    for (KettricStructure *structure = GetRootStructure()->GetFirstSubnodeStructure(); structure != nullptr;
         structure = structure->GetNextStructure())
    {
        static_cast<AmbrelStructure *>(structure)->Write(this, stream);
    }
}

}  // namespace oq
