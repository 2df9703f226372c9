// The device contract shared by zemra, corvel and every device library.
