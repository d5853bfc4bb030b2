#pragma once

#include "ambrel/AmbrelStructure.h"
#include "base/TextString.h"
#include "base/Transform4D.h"

namespace oq {

// Base of the transforms: the matrix its float list yields when resolved.
class MatrixStructure : public AmbrelStructure
{
public:
    explicit MatrixStructure(uint32_t type);

    // The float list: "float {v}" when flat, else its first subarray.
    void WriteMatrixData(TextOutputStream *stream) const;

    Transform4D matrix;

protected:
    // The header with the kind clause unless the kind is the default, then the data.
    void WriteWithKind(TextOutputStream *stream, const char *header, const TextString &kind,
                       const char *defaultKind) const;
    // Set when the previous sibling is no transform: a run of transforms has no empty lines.
    bool GetNewlineFlag() const;
};

// Transform: a general matrix from 4, 6, 9, 12 or 16 values.
class TransformStructure : public MatrixStructure
{
public:
    TransformStructure() : MatrixStructure('xfrm') {}

    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;
};

// Translation along x, y, z, xy or xyz.
class TranslationStructure : public MatrixStructure
{
public:
    TranslationStructure() : MatrixStructure('xslt'), transformKind("xy") {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    TextString transformKind;
};

// Rotation about x, y, z or a given axis, angles in degrees.
class RotationStructure : public MatrixStructure
{
public:
    RotationStructure() : MatrixStructure('rota'), transformKind("z") {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    TextString transformKind;
};

// Scale along x, y, z, xy or xyz.
class ScaleStructure : public MatrixStructure
{
public:
    ScaleStructure() : MatrixStructure('scal'), transformKind("xy") {}

    bool CheckProperty(KettricDocument *document, const TextString &identifier, KettricDataType *type,
                       void **storage) override;
    bool CheckSubstructure(KettricDocument *document, KettricStructure *structure) override;
    KettricResult ResolveData(KettricDocument *document) override;
    void Write(AmbrelDocument *document, TextOutputStream *stream) const override;

    TextString transformKind;
};

// Forms the transform of a node or geometry structure: its own transforms, times the superior's
// transform on the left when the superior is a node.
void UpdateStructureTransform(AmbrelStructure *structure);

// The node or geometry transform of a structure, or null for other structures.
Transform4D *GetStructureTransform(AmbrelStructure *structure);

}  // namespace oq
