package report;

import java.util.ArrayList;
import java.util.List;

/**
 * Stops the VM on a fatal error from inside main: it fills the heap, which a VM
 * started with -XX:+CrashOnOutOfMemoryError answers with a fatal error report.
 */
public final class CrashVm {
    public static void main(String[] args) {
        System.out.println("main crashes the VM");
        System.out.flush();
        List<long[]> held = new ArrayList<>();
        for (;;) held.add(new long[1 << 20]);
    }
}
