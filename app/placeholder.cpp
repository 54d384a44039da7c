// Filled by the main window module.
