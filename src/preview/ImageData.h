// The %ImageData picture: the samples an image operator of the PostScript program paints, announced
// by a comment ("%ImageData: width height bits mode pad blockSize type startWord") and stored after
// the line that equals its start word, as raw binary, as hexadecimal text, as a JPEG stream in
// ASCII85 text, or (later writers) as raw samples in ASCII85 text. It is decoded one row at a time,
// whatever its size.
#pragma once
#include "base/Result.h"
#include "eps/EpsReader.h"
#include "preview/RowSink.h"

namespace aldra {

// Hands the picture to the sink a row at a time. 2020 for a missing comment (or one behind more
// than 20 lines of code) and for parameters the decoder does not read; 2016 when the file ends
// before the start word or inside the data, in which case the rows before that are handed over.
// Refuses rows larger than kMaxImageDataRowBytes.
//
// Binary samples whose first rows are all hexadecimal digits and blanks are read as hexadecimal
// text, which is how Pillow writes every picture. Samples in ASCII85 text are refused here: they
// come after every other preview of a file.
Status DecodeImageData(EpsReader* eps, RowSink* sink);
// Only the pictures whose samples are ASCII85 text (type 7, Photoshop's and Pillow's), with the
// answers of DecodeImageData; 2020 for any other type. Text that ends or breaks before the last
// row ends the picture with 2020, the rows before it handed over.
Status DecodeAscii85ImageData(EpsReader* eps, RowSink* sink);

// Neither a source row nor a converted row may be larger than this: one row of a picture several
// hundred thousand pixels wide is the most a real file carries, and a forged header must not make
// the decoder allocate gigabytes.
inline constexpr uint64_t kMaxImageDataRowBytes = uint64_t{64} << 20;

}  // namespace aldra
