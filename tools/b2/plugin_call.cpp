// CallStdcallChecked on i686: a thunk that copies the arguments onto a 16-byte aligned stack
// (GCC-built callees may keep SSE data there), calls, compares ESP with where the callee should
// have left it, and restores ESP from EBP whatever the callee did.
#include "plugin_call.h"

#if defined(__i386__)

namespace b2 {

// cdecl with external linkage (the compiler keeps the convention of a function others may
// call); the body is all assembly, so the compiler adds no frame of its own.
__attribute__((naked, noinline)) uint32_t CallStdcallChecked(const void* fn, const uint32_t* args,
                                                             uint32_t count, int32_t* stack_error) {
  __asm__(
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  movl 16(%ebp), %ecx\n"       // count
    "  leal 0(,%ecx,4), %eax\n"     // argument bytes
    "  subl %eax, %esp\n"
    "  andl $-16, %esp\n"
    "  movl 12(%ebp), %esi\n"       // args
    "  xorl %edx, %edx\n"
    "1:\n"
    "  cmpl %ecx, %edx\n"
    "  jae 2f\n"
    "  movl (%esi,%edx,4), %eax\n"
    "  movl %eax, (%esp,%edx,4)\n"
    "  incl %edx\n"
    "  jmp 1b\n"
    "2:\n"
    "  leal (%esp,%ecx,4), %edi\n"  // ESP once a stdcall callee has removed its arguments
    "  call *8(%ebp)\n"
    "  movl %edi, %ecx\n"           // EDI and EBP are callee-saved: still ours
    "  subl %esp, %ecx\n"           // bytes between ESP and where it should be
    "  movl 20(%ebp), %edx\n"
    "  movl %ecx, (%edx)\n"
    "  leal -8(%ebp), %esp\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebp\n"
    "  ret\n");
}

}  // namespace b2

#endif
