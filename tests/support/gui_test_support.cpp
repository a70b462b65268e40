// Shared helpers of the GUI tests live here once they exist.
