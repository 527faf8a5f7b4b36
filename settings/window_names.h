#pragma once

class QWidget;

// Names the boxes of a window for screen readers from their captions: a
// text box, list or date box in a grid row is named by the label at the
// start of that row (and the label becomes its buddy), and so is a
// label whose text can be selected; a "?" or "..."
// button in the row is named after the same caption. Controls named
// already keep their names; names given here are renewed on a second call,
// for captions that change.
void Name_Boxes_From_Captions(QWidget *window);
