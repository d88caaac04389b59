/** A module that nothing requires: only "Add Modules" brings it into the boot layer. */
module shapes.extra {
    exports shapes.extra;
}
