// Every Qt Widgets header includes this one first. This copy sits on the include path of the
// core libraries only, ahead of Qt's own, so that widget code cannot creep into core.
#error "Core code must not include Qt Widgets headers; put widget code into a ui/ folder."
