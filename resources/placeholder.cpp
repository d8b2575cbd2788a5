// Replaced by the compiled resources.
