// qxencode -c: whether a message could be sent without MIME encoding.
#pragma once

// Reads the message from stdin and returns 0 when it is 7-bit text with
// short enough lines ending in LF, 1 when it needs MIME encoding. Body
// lines may be 78 bytes long, or 998 when QUOBIX_RELAXED_MIME is set.
int mime_check();
