// The render pass's operator table. Line style, group, overprint and lock operators have no
// effect: every stroke is solid with the pen's own joins and caps.
#include "illustrator/ArtColours.h"
#include "illustrator/ArtOperands.h"
#include "illustrator/ArtPass.h"
#include "illustrator/ArtPaths.h"
#include "illustrator/ArtPlaced.h"
#include "illustrator/ArtText.h"
#include "illustrator/ArtTokens.h"

namespace aldra {

namespace {

bool DispatchPathOperator(ArtState* state, uint16_t code) {
    switch (code) {
        case 'm':
            MoveOperator(state);
            return true;
        case 'l':
        case 'L':
            LineOperator(state);
            return true;
        case 'c':
        case 'C':
        case 'v':
        case 'V':
        case 'y':
        case 'Y':
            CurveOperator(state, code);
            return true;
        case 'f':
        case 'F':
        case 's':
        case 'S':
        case 'b':
        case 'B':
            PaintOperator(state, code);
            return true;
        case 'n':
            ClosePathOperator(state);
            return true;
        case 'N':
            DiscardPathOperator(state);
            return true;
        case 'W':
            ClipOperator(state);
            return true;
        case 'q':
        case 'Q':
            ResetClipOperator(state);
            return true;
        default:
            return false;
    }
}

bool DispatchPaintStateOperator(ArtState* state, uint16_t code) {
    switch (code) {
        case 'g':
        case 'G':
            SetGreyOperator(state, code == 'g');
            return true;
        case 'k':
        case 'K':
            SetCmykOperator(state, code == 'k');
            return true;
        case 'x':
        case 'X':
            SetCustomColourOperator(state, code == 'x');
            return true;
        case OperatorCode("Xa"):
        case OperatorCode("XA"):
            SetRgbOperator(state, code == OperatorCode("Xa"));
            return true;
        case 'p':
        case 'P':
            MarkPatternOperator(state);
            return true;
        case 'w':
            SetLineWidthOperator(state);
            return true;
        case '`':
            PlaceFrameOperator(state);
            return true;
        case '~':
            ClearFrameOperator(state);
            return true;
        default:
            return false;
    }
}

void DispatchTextStateOperator(ArtState* state, uint16_t code) {
    switch (code) {
        case 'a':
        case 'e':
        case 'o':
        case 'r':
            TextBlockOperator(state, code);
            break;
        case OperatorCode("Tm"):
            TextMatrixOperator(state);
            break;
        case OperatorCode("Tp"):
            TextPathOperator(state);
            break;
        case OperatorCode("To"):
            TextObjectOperator(state);
            break;
        case OperatorCode("Tr"):
            TextRenderOperator(state);
            break;
        case OperatorCode("Tf"):
            FontOperator(state);
            break;
        case 'z':
            FontAndLeadingOperator(state);
            break;
        case OperatorCode("Tl"):
            LeadingOperator(state);
            break;
        case OperatorCode("Ta"):
            AlignmentOperator(state);
            break;
        case OperatorCode("Tv"):
            VerticalTextOperator(state);
            break;
        case OperatorCode("Td"):
            TextMoveOperator(state);
            break;
        case OperatorCode("T*"):
            NextLineOperator(state);
            break;
        case 't':
        case OperatorCode("Tj"):
        case OperatorCode("Tx"):
            ShowTextOperator(state, code);
            break;
        default:
            break;
    }
}

}  // namespace

void DispatchArtOperator(EpsReader*, ArtState* state, uint16_t code) {
    if (!DispatchPathOperator(state, code) && !DispatchPaintStateOperator(state, code))
        DispatchTextStateOperator(state, code);
    ClearOperands(state);
}

}  // namespace aldra
