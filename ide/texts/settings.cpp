// Per-user settings shared by zemra and corvel.
