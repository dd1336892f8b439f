// The resources of this library are the stored images of the embedded files; see
// app/EmbeddedFiles.h for the containers that read them.
