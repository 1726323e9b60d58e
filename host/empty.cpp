// Lets a library be configured before its first source file exists.
