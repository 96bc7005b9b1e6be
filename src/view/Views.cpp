// Anchor of the views library.
